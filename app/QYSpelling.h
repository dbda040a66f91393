#pragma once
// Spelling and the thesaurus of the journal's editors.

// Ends a running spelling check as cancelled, before the entry it checks
// is replaced or the journal is locked.
void CancelSpellCheck();

class TSpellCheckerBase;

// Removes the temporary files that killed saves of the spelling settings and
// of the user's dictionaries left (they hold the user's words); the number
// removed. Run once the spell checker exists, at start.
int RemoveSpellingLeftovers(TSpellCheckerBase& spell);
