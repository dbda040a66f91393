// The password report leaves no copy of the password in the process's
// memory once its preview closes, whether it was only looked at or also
// printed. The process's writable memory is searched for the password in
// the encodings text passes through on its way to the page.
#include "FindReportSupport.h"
#include "support/SecretMemory.h"

#include "app/QYJournalReport.h"
#include "app/QYPassword.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPreview.h"
#include "richtext/view/VLPrint.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace qytest;

namespace {

struct TCopies {
  std::array<size_t, 4> Whole{};  // the whole password, per encoding
  size_t Halves = 0;              // either half alone, in any encoding
  size_t Total() const { return Whole[0] + Whole[1] + Whole[2] + Whole[3] + Halves; }
};

TCopies CountCopies(const TSecretText& password) {
  TCopies c;
  for (TSecretEncoding e : SecretEncodings) {
    const TMaskedPattern& whole = password.In(e);
    c.Whole[e] = CountInMemory(whole);
    // A copy cut at a line end or a glyph run still gives one half away.
    const size_t unit = e == seUtf32 ? 4 : e == seUtf16 ? 2 : 1;
    const size_t half = whole.Size() / 2 / unit * unit;
    c.Halves += CountInMemory(whole.Slice(0, half)) - c.Whole[e];
    c.Halves += CountInMemory(whole.Slice(half, whole.Size() - half)) - c.Whole[e];
  }
  return c;
}

std::string Describe(const TCopies& c) {
  std::string s;
  for (TSecretEncoding e : SecretEncodings) s += std::string(SecretEncodingName(e)) + " " + std::to_string(c.Whole[e]) + ", ";
  return s + "halves " + std::to_string(c.Halves);
}

int DarkPixels(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ++dark;
  return dark;
}

class PasswordReportMemoryTest : public ::testing::Test {
protected:
  PasswordReportMemoryTest() {
    ProfileSettings.ConfirmPrint = false;
    Pdf.OutputFileName = (Dir.path() / "password.pdf").string();
    W.Preview->VLPrint1->PrinterOverride = &Pdf;
    JournalsLoaded = true;
  }
  ~PasswordReportMemoryTest() override {
    W.Preview->VLPrint1->PrinterOverride = nullptr;
    WipeString(JournalPassword);
  }

  TempDir Dir;
  TFindReportWorld W;
  TPrinter Pdf;
};

TEST_F(PasswordReportMemoryTest, NoCopyOfThePasswordRemainsAfterThePreviewCloses) {
  struct TCase {
    const char* Name;
    const TExtraLetters& Letters;
    bool Zoomed;  // looked at closely
    bool Print;   // printed (to PDF) from the preview
  };
  const TCase cases[] = {
      {"previewed", Latin1Letters, false, false},
      {"previewed at page width", Latin1Letters, true, false},
      {"printed from the preview", Latin1Letters, false, true},
      {"combining marks, printed", CombiningMarks, false, true},
      {"Hebrew letters, printed", HebrewLetters, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TSecretText password(40, c.Letters);
    std::filesystem::remove(Pdf.OutputFileName);
    TCopies shown;
    int inked = 0;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* p = static_cast<TFormPrintPreview*>(r.Form);
      p->SetBounds(0, 0, 900, 700);
      if (c.Zoomed) p->ActionZoomPageWidth->Execute();
      Application->ProcessMessages();
      // The page as the user sees it.
      inked = DarkPixels(WindowWidgetOf(p)->grab().toImage());
      if (c.Print) p->ActionPrint->Execute();
      // While the report is open its text is there to find: the search works.
      shown = CountCopies(password);
      p->ActionPreviewClose->Execute();
      return static_cast<int>(mrOk);
    });
    password.Into(JournalPassword);
    BuildPasswordReport();
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_GT(inked, 1000);
    EXPECT_GE(shown.Whole[seUtf16], 1u) << Describe(shown);
    EXPECT_EQ(std::filesystem::exists(Pdf.OutputFileName), c.Print);
    // The journal's own copy goes as at a lock; the report's must be gone.
    WipeString(JournalPassword);
    Application->ProcessMessages();
    const TCopies left = CountCopies(password);
    std::printf("[ password copies ] %s: while shown %s; after closing %s\n", c.Name, Describe(shown).c_str(),
                Describe(left).c_str());
    EXPECT_EQ(left.Total(), 0u) << Describe(left);
  }
}

}  // namespace
