#include "LayoutTestSupport.h"

#include "richtext/model/VLUni.h"

namespace qytest {

AnsiString Raw(const std::u16string& s) { return WideStringToRawUnicode(WideString(s.begin(), s.end())); }

}  // namespace qytest
