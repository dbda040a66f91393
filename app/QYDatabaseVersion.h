#pragma once
// Brings an older journal database to the current table layout.

// Runs the upgrade steps from the settings' database version: 1.0 to 2.0,
// then 2.0 to 3.0. Each step runs in one transaction: a failure leaves the
// tables and the version as they were, so the next loading tries again.
// Each completed step records the new version and says so in a box.
void UpgradeDatabase();
