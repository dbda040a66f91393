#include "app/QYDataModule.h"

TJournalDataModule* JournalDataModule = nullptr;

TJournalDataModule::TJournalDataModule(TComponent* AOwner) : TComponent(AOwner) {
  JournalDataModule = this;
  SetName("JournalDataModule");
}

TJournalDataModule::~TJournalDataModule() {
  if (JournalDataModule == this) JournalDataModule = nullptr;
}
