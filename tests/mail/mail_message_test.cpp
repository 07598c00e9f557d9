#include "mail/mail_message.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"

namespace quorvex::mail {
namespace {

std::string Recipient(const CMailMessage& message, int index, int kind) {
  std::string address = "unset", name = "unset";
  if (!message.GetRecipient(address, name, index, kind)) return "(none)";
  return name + "|" + address;
}

TEST(MailMessage, RecipientListsSplitAtSemicolonsAndSkipBlankEntries) {
  CMailMessage message;
  EXPECT_TRUE(message.AddRecipientList("a@example.com;b@example.com", RecipientTo));
  EXPECT_TRUE(message.AddRecipientList("c@example.com;", RecipientCc));
  EXPECT_TRUE(message.AddRecipientList(" ;; Ann Lee <ann@example.com> ; d@example.com ;", RecipientBcc));
  ASSERT_EQ(message.GetRecipientCount(RecipientTo), 2);
  EXPECT_EQ(Recipient(message, 0, RecipientTo), "|a@example.com");
  EXPECT_EQ(Recipient(message, 1, RecipientTo), "|b@example.com");
  EXPECT_EQ(message.GetRecipientCount(RecipientCc), 1);
  EXPECT_EQ(Recipient(message, 0, RecipientCc), "|c@example.com");
  ASSERT_EQ(message.GetRecipientCount(RecipientBcc), 2);
  // The name keeps the blank before "<"; addresses lose the blanks around them.
  EXPECT_EQ(Recipient(message, 0, RecipientBcc), "Ann Lee |ann@example.com");
  EXPECT_EQ(Recipient(message, 1, RecipientBcc), "|d@example.com");

  // A malformed entry stops the list but keeps the entries before it.
  CMailMessage cut;
  EXPECT_FALSE(cut.AddRecipientList("a@example.com;Bob <bob@example.com;c@example.com", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
  EXPECT_FALSE(cut.AddRecipientList("Bob >bob@example.com<", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
  EXPECT_TRUE(cut.AddRecipientList("", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
}

TEST(MailMessage, BadKindOrIndexLeavesOutputsUntouched) {
  CMailMessage message;
  EXPECT_TRUE(message.AddRecipient("a@example.com", "A", RecipientTo));
  EXPECT_TRUE(message.AddRecipient("x@example.com", "X", 3));  // accepted, but goes nowhere
  EXPECT_EQ(message.GetRecipientCount(RecipientTo), 1);
  EXPECT_EQ(message.GetRecipientCount(3), 0);
  EXPECT_EQ(message.GetRecipientCount(-1), 0);
  EXPECT_EQ(Recipient(message, 1, RecipientTo), "(none)");
  EXPECT_EQ(Recipient(message, -1, RecipientTo), "(none)");
  EXPECT_EQ(Recipient(message, 0, 3), "(none)");
  EXPECT_EQ(Recipient(message, 0, RecipientTo), "A|a@example.com");
}

TEST(MailMessage, PlainMessageHeaderListsRecipientsWithoutBcc) {
  CMailMessage message;
  message.m_strFrom = "me@example.com";
  message.m_strSubject = "Hi";
  message.AddRecipientList("Ann <ann@example.com>;bob@example.com", RecipientTo);
  message.AddRecipientList("carl@example.com", RecipientCc);
  message.AddRecipientList("secret@example.com", RecipientBcc);
  message.m_strMailerName = "Test Mailer";
  message.m_strBody = "text";
  message.SetStampTime(0);
  message.SetTimeZone(-5 * 3600, "EST");
  message.Compose();
  EXPECT_EQ(message.GetHeader(),
            "From: me@example.com\r\n"
            "To: Ann <ann@example.com>,<bob@example.com>\r\n"
            "Cc: <carl@example.com>\r\n"
            "Date: Wed, 31 Dec 69 19:00:00 EST\r\n"
            "Subject: Hi\r\n"
            "X-Mailer: Test Mailer\r\n"
            "\r\n");
  EXPECT_EQ(message.m_strBody, "text\r\n");
}

TEST(MailMessage, DateIsEnglishStrftimeAndEmptyWhenTooLong) {
  EXPECT_EQ(FormatMailDate(1700000000, 0, "UTC"), "Tue, 14 Nov 23 22:13:20 UTC");
  EXPECT_EQ(FormatMailDate(1700000000, 7200, "EET"), "Wed, 15 Nov 23 00:13:20 EET");
  // 24 characters before the zone name: a name of 103 still fits 127, one of 104 does not.
  EXPECT_EQ(FormatMailDate(1700000000, 0, std::string(103, 'Z')).size(), 127u);
  EXPECT_EQ(FormatMailDate(1700000000, 0, std::string(104, 'Z')), "");

  CMailMessage message;
  message.SetTimeZone(0, std::string(200, 'Z'));
  message.Compose();
  EXPECT_NE(message.GetHeader().find("\r\nDate: \r\n"), std::string::npos);

  // Without a stamp, the clock's time in the local zone.
  platform::SetFixedNow(1234567890);
  CMailMessage now;
  now.Compose();
  platform::SetFixedNow(-1);
  EXPECT_EQ(now.GetDateTime(), 1234567890);
  EXPECT_NE(now.GetHeader().find("\r\nDate: " + FormatMailDate(1234567890) + "\r\n"), std::string::npos);
  EXPECT_FALSE(FormatMailDate(1234567890).empty());
}

}  // namespace
}  // namespace quorvex::mail
