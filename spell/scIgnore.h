#pragma once
// Ignore filters: markup, Internet addresses, quoted lines, words in
// capitals, words with digits and dotted abbreviations.
#include "spell/scParserBase.h"

class TParserIgnoreBase : public TParserIgnore {
public:
  bool HasParserIgnore() override { return false; }
  bool HasLineIgnore() override { return false; }
  bool IgnoreFromChar(char Ch, TControlParser* Parser) override { return false; }
  bool IgnoreFromWord(const AnsiString& Word, TControlParser* Parser) override { return false; }
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override { return false; }
  bool IgnoreLine(const AnsiString& Line) override { return false; }
};

class THTMLIgnore : public TParserIgnoreBase {
public:
  bool HasParserIgnore() override { return true; }
  bool IgnoreFromChar(char Ch, TControlParser* Parser) override;
  bool IgnoresWordBefore(char Next) override { return false; }
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
};

class TURLIgnore : public TParserIgnoreBase {
public:
  bool HasParserIgnore() override { return true; }
  bool HasCharIgnore() override { return false; }
  bool IgnoreFromWord(const AnsiString& Word, TControlParser* Parser) override;
  // A scheme, a user or a "www." host ends where an address goes on.
  bool IgnoresWordBefore(char Next) override { return Next == ':' || Next == '@' || Next == '\\' || Next == '/'; }
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
};

class TQuotedLineIgnore : public TParserIgnoreBase {
public:
  explicit TQuotedLineIgnore(AnsiString QuoteChars = ">") : FQuoteChars(std::move(QuoteChars)) {}
  bool HasLineIgnore() override { return true; }
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
  bool IgnoreLine(const AnsiString& Line) override;

private:
  AnsiString FQuoteChars;
};

class TUppercaseWordIgnore : public TParserIgnoreBase {
public:
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
};

class TNumbersIgnore : public TParserIgnoreBase {
public:
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
};

class TAbbreviationsIgnore : public TParserIgnoreBase {
public:
  bool IgnoreWord(const AnsiString& Word, TControlParser* Parser) override;
};
