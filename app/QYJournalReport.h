#pragma once
// The journal report: the current entry or the selected entries, each under
// a heading with its journal's name and date, in one document paginated with
// a page footer (and, one entry per page, a page header), shown in the
// preview window or printed. And the password report, built the same way.
#include "platform/base/Types.h"

// Output, scope and layout of a report.
enum TReportOutput : int { roPreview = 0, roPrint = 1 };
enum TReportScope : int { rsCurrentEntry = 0, rsSelection = 1 };
enum TReportLayout : int { rlPagePerDay = 0, rlPageFilled = 1 };

// Builds and shows or prints the report. Entries whose text cannot be read
// are skipped with a line in the report and in the activity log. Stops
// (showing nothing) when the progress window's Cancel is confirmed, and when
// the journal is locked or the program exits meanwhile.
void BuildJournalReport(TReportOutput output, TReportScope scope, TReportLayout layout);

// The page of advice with the journal's password, shown in the preview
// window; every copy of the text in the window is wiped when it closes.
void BuildPasswordReport();
// The "printed: " line of a report built at the moment.
String PrintedLine(TDateTime moment);
// Entries the last report placed, and those it could not read.
extern int ReportEntriesPlaced;
extern int ReportEntriesSkipped;
