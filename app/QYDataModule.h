#pragma once
// The program's data module. It holds nothing of its own; it exists so the
// windows are created in the order the program has always had.
#include "platform/base/Components.h"

class TJournalDataModule : public TComponent {
public:
  explicit TJournalDataModule(TComponent* AOwner);
  ~TJournalDataModule() override;
};

extern TJournalDataModule* JournalDataModule;
