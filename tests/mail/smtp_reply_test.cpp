#include "mail/smtp_reply.h"

#include <gtest/gtest.h>

namespace quorvex::mail {
namespace {

TEST(SmtpReply, OneLineReplyNeedsItsLineEnd) {
  EXPECT_FALSE(ScanSmtpReply("", false).complete);
  EXPECT_FALSE(ScanSmtpReply("25", false).complete);
  EXPECT_FALSE(ScanSmtpReply("250 ok\r", false).complete);
  SmtpReply r = ScanSmtpReply("250 ok\r\n354 next", false);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.length, 8u);
  EXPECT_EQ(r.code, 250);
  r = ScanSmtpReply("221\r\n", false);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.code, 221);
  r = ScanSmtpReply("220 sloppy\n", false);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.length, 11u);
}

TEST(SmtpReply, ContinuationLinesRunUntilTheLastLine) {
  EXPECT_FALSE(ScanSmtpReply("220-first\r\n", false).complete);
  EXPECT_FALSE(ScanSmtpReply("220-first\r\n220-second\r\n220 la", false).complete);
  SmtpReply r = ScanSmtpReply("220-first\r\n220-second\r\n220 last\r\nrest", false);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.length, 33u);
  EXPECT_EQ(r.code, 220);
  // Judged by the last line.
  EXPECT_EQ(ScanSmtpReply("250-fine\r\n550 but no\r\n", false).code, 550);
}

TEST(SmtpReply, LinesWithoutCodeEndTheReplyWithCodeZero) {
  SmtpReply r = ScanSmtpReply("hello there\r\n", false);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(ScanSmtpReply("2x0 odd\r\n", false).code, 0);
  EXPECT_EQ(ScanSmtpReply("\r\n", false).code, 0);
  EXPECT_EQ(ScanSmtpReply("-12 minus\r\n", false).code, 0);
}

TEST(SmtpReply, ClosedConnectionTakesWhatArrived) {
  SmtpReply r = ScanSmtpReply("", true);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.length, 0u);
  EXPECT_EQ(r.code, 0);
  r = ScanSmtpReply("221 bye", true);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.code, 221);
  EXPECT_EQ(r.length, 7u);
  // A reply that promised more lines and broke off has no code.
  r = ScanSmtpReply("250-more\r\n", true);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.length, 10u);
}

}  // namespace
}  // namespace quorvex::mail
