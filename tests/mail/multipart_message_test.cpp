#include "mail/multipart_message.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/content_agent_registry.h"
#include "platform/clock.h"

namespace quorvex::mail {
namespace {

const std::string kPreamble = "This is a multi-part message in MIME format.\r\n\r\n";
const std::string kOpen = "--ZQ_MAIL_PaRt_BoUnDaRy_05151998\r\n";
const std::string kClose = "--ZQ_MAIL_PaRt_BoUnDaRy_05151998--\r\n";
const std::string kTextHeader = "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n";
constexpr int64_t kStamp = 1000000000;  // Sunday 9 September 2001, 01:46:40 UTC

std::string ComposedBody(const std::string& body) {
  CMultipartMessage message;
  message.m_strBody = body;
  message.SetStampTime(kStamp);
  message.Compose();
  return message.m_strBody;
}

TEST(MultipartMessage, ComposesAlertMailHeaderAndFiveStepBody) {
  CMultipartMessage message;
  message.m_strFrom = "monitor@example.com";
  message.m_strSubject = "Price alert";
  ASSERT_TRUE(message.AddRecipientList("Ann Lee <ann@example.com>", RecipientTo));
  message.m_strBody = "  Price is 12.5 USD  ";
  message.SetStampTime(kStamp);
  message.SetTimeZone(3600, "CET");
  message.Compose();

  EXPECT_EQ(message.GetHeader(),
            "From: monitor@example.com\r\n"
            "To: Ann Lee <ann@example.com>\r\n"
            "Cc: \r\n"
            "Date: Sun, 09 Sep 01 02:46:40 CET\r\n"
            "Subject: Price alert\r\n"
            "X-Mailer: ZQ Mail\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=ZQ_MAIL_PaRt_BoUnDaRy_05151998\r\n"
            "\r\n");
  EXPECT_EQ(message.m_strBody, kPreamble + kOpen + kTextHeader + "Price is 12.5 USD\r\n" + kClose);
  EXPECT_EQ(message.GetDateTime(), kStamp);
}

TEST(MultipartMessage, EmptyAndBlankBodies) {
  // No text: no part and no opening boundary.
  EXPECT_EQ(ComposedBody(""), kPreamble + kClose);
  // Only white space: a part whose sub-header runs straight into the closing boundary.
  EXPECT_EQ(ComposedBody(" \r\n\t "), kPreamble + kOpen + kTextHeader + kClose);
}

TEST(MultipartMessage, LongBodyIsWrappedAndBodyWithoutBlanksGetsLeadingBreak) {
  std::string word(200, 'x');
  EXPECT_EQ(ComposedBody(word), kPreamble + kOpen + kTextHeader + "\r\n" + word + "\r\n" + kClose);
  // Lines already ending in CR LF get no second one.
  EXPECT_EQ(ComposedBody("one\r\ntwo\r\n"), kPreamble + kOpen + kTextHeader + "one\r\ntwo\r\n" + kClose);
}

TEST(MultipartMessage, TextPartGoesFirstAndAttachmentsFollowInOrder) {
  CMultipartMessage message;
  message.AddPart("  /nonexistent/a.bin ", ContentOctetStream, "", 0, true);
  message.AddPart("second text", ContentTextPlain, "", 0, false);
  message.AddPart("/nonexistent/b.bin", ContentOctetStream, "", 0, true);
  message.AddPart("first text", ContentTextPlain, "; charset=koi8-r", 0, false);
  const auto& parts = message.GetParts();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].m_strContent, "first text");
  EXPECT_EQ(parts[1].m_strContent, "second text");
  EXPECT_EQ(parts[2].m_strContent, "/nonexistent/a.bin");
  EXPECT_EQ(parts[3].m_strContent, "/nonexistent/b.bin");

  // Attachments that cannot be opened leave only their boundary lines.
  message.m_strBody = "body";
  message.SetStampTime(kStamp);
  message.Compose();
  EXPECT_EQ(message.m_strBody, kPreamble + kOpen + kTextHeader + "body\r\n" + kOpen +
                                   "Content-Type: text/plain; charset=koi8-r\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n"
                                   "first text\r\n" +
                                   kOpen +
                                   "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n"
                                   "second text\r\n" +
                                   kOpen + kOpen + kClose);
}

TEST(MultipartMessage, EveryMessageFindsTheSameTwoAgents) {
  CMultipartMessage first;
  size_t count = CContentAgentRegistry::Instance().GetCount();
  const CContentAgent* text = CContentAgentRegistry::Instance().FindAgent(ContentTextPlain);
  for (int i = 0; i < 5; ++i) CMultipartMessage another;
  EXPECT_EQ(CContentAgentRegistry::Instance().GetCount(), count);
  EXPECT_EQ(CContentAgentRegistry::Instance().FindAgent(ContentTextPlain), text);
  ASSERT_NE(CContentAgentRegistry::Instance().FindAgent(ContentOctetStream), nullptr);
  EXPECT_EQ(CContentAgentRegistry::Instance().FindAgent(ContentOctetStream)->GetContentType(),
            "application/octet-stream");
  EXPECT_EQ(CContentAgentRegistry::Instance().FindAgent(7), nullptr);
}

}  // namespace
}  // namespace quorvex::mail
