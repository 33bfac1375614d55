#include "service_sender.h"

#include <gtest/gtest.h>

#include <string>

namespace brevan::ipclink {
namespace {

// A false answer skips the read thread's parse, so it must never be given for a message the
// service may have sent.
TEST(ServiceSender, OnlyTextsThatCannotNameTheServiceAreLetThrough) {
  const struct {
    std::u16string text;
    bool mayBe;
  } cases[] = {
      {u"<M><SOURCE_ID SOURCE_ID=\"BrevanService\"/></M>", true},
      {u"BREVANSERVICE", true},
      {u"xxbReVaNsErViCe", true},               // at the very end
      {u"Brevan\u0130ervice", true},             // a non-ASCII letter may fold to 's'
      {u"<A V=\"&#66;revanService\"/>", true},  // spelt with a reference
      {u"<A V=\"x &amp; y\"/>", true},           // any reference at all
      {u"", false},
      {u"BrevanServic", false},  // cut short by the end of the text
      {u"Brevan Service", false},
      {u"BrevanServ1ce", false},
      {u"<M><SOURCE_ID SOURCE_ID=\"benchA\"/><PAYLOAD PAYLOAD=\"ppppppp\"/></M>", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mayComeFromService(c.text.c_str()), c.mayBe)
        << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_FALSE(mayComeFromService(nullptr));
}

}  // namespace
}  // namespace brevan::ipclink
