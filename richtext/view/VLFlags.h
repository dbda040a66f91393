#pragma once
// The two flag words of a formatted document (DESIGN.md holds the full
// table with every bit's ordinal and the clashes it resolves).
#include "platform/base/Types.h"
#include "richtext/model/VLData.h"

// Layout flags: the host's 16-bit word that GetLayoutFlags answers. Bits
// 0-6 steer layout; 7-9 are view state that the view and editor keep there.
inline constexpr Word vllfCollectJumps = 1u << 0;       // also "jumps active"
inline constexpr Word vllfSwallowSpaces = 1u << 1;      // spaces vanish at soft breaks
inline constexpr Word vllfNoMoveControls = 1u << 2;     // embedded controls stay
inline constexpr Word vllfExternalLeading = 1u << 3;    // lines add the font's leading
inline constexpr Word vllfMouseSelection = 1u << 4;     // read by mouse selection
inline constexpr Word vllfPrinting = 1u << 5;           // items make their own records
inline constexpr Word vllfExtentFitting = 1u << 6;      // passed to item sizing
inline constexpr Word vllfWriterJumpMode = 1u << 7;     // writers run in jump mode
inline constexpr Word vllfDragDocument = 1u << 8;       // a drag concerns this document
inline constexpr Word vllfResizeReadOnly = 1u << 9;     // resize handles when read-only
// What a nested document's owner answers: swallow spaces, mouse selection.
inline constexpr Word vllfNestedDefault = vllfSwallowSpaces | vllfMouseSelection;

// State word: the document's runtime state (GetState/SetState), by value.
inline constexpr Cardinal vlstMouseSelecting = 0x1;      // ordinal 0
inline constexpr Cardinal vlstMouseSelecting2 = 0x2;     // ordinal 1
inline constexpr Cardinal vlstJumpHovered = 0x4;         // ordinal 2
inline constexpr Cardinal vlstDoNotFormat = 0x8;         // ordinal 3
inline constexpr Cardinal vlstCaretOnLink = 0x400;       // ordinal 10
inline constexpr Cardinal vlstNoChildAdjust = 0x200;     // ordinal 9
inline constexpr Cardinal vlstDeselecting = 0x1000;      // ordinal 12
inline constexpr Cardinal vlstContinuedList = vlstClearReset1;   // ordinal 21
inline constexpr Cardinal vlstOpenEndedLastLine = vlstClearReset2;  // ordinal 22
