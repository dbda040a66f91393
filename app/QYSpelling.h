#pragma once
// Spelling and the thesaurus of the journal's editors.

// Ends a running spelling check as cancelled, before the entry it checks
// is replaced or the journal is locked.
void CancelSpellCheck();
