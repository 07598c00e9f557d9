// The mail message, the MIME message and the content agents that write its parts (text/plain,
// octet-stream, base64).
#include "mail/multipart_message.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/base64_encoder.h"
#include "mail/content_agent_registry.h"
#include "mail/octet_stream_agent.h"
#include "mail/text_plain_agent.h"
#include "platform/clock.h"
#include "support/temp_folder.h"

namespace quorvex::mail {
namespace {

const std::string kPreamble = "This is a multi-part message in MIME format.\r\n\r\n";
const std::string kOpen = "--ZQ_MAIL_PaRt_BoUnDaRy_05151998\r\n";
const std::string kClose = "--ZQ_MAIL_PaRt_BoUnDaRy_05151998--\r\n";
const std::string kTextHeader = "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n";
const std::string kFileHeader =
    "Content-Type: application/octet-stream; file=data.bin\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n";
constexpr int64_t kStamp = 1000000000;  // Sunday 9 September 2001, 01:46:40 UTC

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
  // A bad kind or index leaves the outputs untouched.
  EXPECT_TRUE(message.AddRecipient("x@example.com", "X", 3));  // accepted, but goes nowhere
  EXPECT_EQ(message.GetRecipientCount(RecipientTo), 2);
  EXPECT_EQ(message.GetRecipientCount(3), 0);
  EXPECT_EQ(message.GetRecipientCount(-1), 0);
  EXPECT_EQ(Recipient(message, 2, RecipientTo), "(none)");
  EXPECT_EQ(Recipient(message, -1, RecipientTo), "(none)");
  EXPECT_EQ(Recipient(message, 0, 3), "(none)");

  // A malformed entry stops the list but keeps the entries before it.
  CMailMessage cut;
  EXPECT_FALSE(cut.AddRecipientList("a@example.com;Bob <bob@example.com;c@example.com", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
  EXPECT_FALSE(cut.AddRecipientList("Bob >bob@example.com<", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
  EXPECT_TRUE(cut.AddRecipientList("", RecipientTo));
  EXPECT_EQ(cut.GetRecipientCount(RecipientTo), 1);
}

TEST(MailMessage, PlainMessageHeaderListsRecipientsWithoutBccAndAnEnglishDate) {
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

  // The date is English, and empty when too long.
  EXPECT_EQ(FormatMailDate(1700000000, 0, "UTC"), "Tue, 14 Nov 23 22:13:20 UTC");
  EXPECT_EQ(FormatMailDate(1700000000, 7200, "EET"), "Wed, 15 Nov 23 00:13:20 EET");
  // 24 characters before the zone name: a name of 103 still fits 127, one of 104 does not.
  EXPECT_EQ(FormatMailDate(1700000000, 0, std::string(103, 'Z')).size(), 127u);
  EXPECT_EQ(FormatMailDate(1700000000, 0, std::string(104, 'Z')), "");

  CMailMessage longZone;
  longZone.SetTimeZone(0, std::string(200, 'Z'));
  longZone.Compose();
  EXPECT_NE(longZone.GetHeader().find("\r\nDate: \r\n"), std::string::npos);

  // Without a stamp, the clock's time in the local zone.
  platform::SetFixedNow(1234567890);
  CMailMessage now;
  now.Compose();
  platform::SetFixedNow(-1);
  EXPECT_EQ(now.GetDateTime(), 1234567890);
  EXPECT_NE(now.GetHeader().find("\r\nDate: " + FormatMailDate(1234567890) + "\r\n"), std::string::npos);
  EXPECT_FALSE(FormatMailDate(1234567890).empty());
}

TEST(MultipartMessage, ComposesAlertMailHeaderAndFiveStepBodyWithItsParts) {
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

  const std::string word(200, 'x');
  const std::pair<std::string, std::string> bodies[] = {
      // No text: no part and no opening boundary.
      {"", kPreamble + kClose},
      // Only white space: a part whose sub-header runs straight into the closing boundary.
      {" \r\n\t ", kPreamble + kOpen + kTextHeader + kClose},
      // A long word is wrapped with a leading break.
      {word, kPreamble + kOpen + kTextHeader + "\r\n" + word + "\r\n" + kClose},
      // Lines already ending in CR LF get no second one.
      {"one\r\ntwo\r\n", kPreamble + kOpen + kTextHeader + "one\r\ntwo\r\n" + kClose},
  };
  for (const auto& [body, expected] : bodies) {
    CMultipartMessage composed;
    composed.m_strBody = body;
    composed.SetStampTime(kStamp);
    composed.Compose();
    EXPECT_EQ(composed.m_strBody, expected) << body;
  }

  // Text parts go first and attachments follow in order.
  testing::TempFolder dir;
  CMultipartMessage parted;
  parted.AddPart("  " + dir.Write("data.bin", "hello") + " ", ContentOctetStream, "", 0, true);
  parted.AddPart("second text", ContentTextPlain, "", 0, false);
  parted.AddPart("/nonexistent/b.bin", ContentOctetStream, "", 0, true);
  parted.AddPart("first text", ContentTextPlain, "; charset=koi8-r", 0, false);
  const auto& parts = parted.GetParts();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].m_strContent, "first text");
  EXPECT_EQ(parts[1].m_strContent, "second text");
  EXPECT_EQ(parts[2].m_strContent, dir / "data.bin");
  EXPECT_EQ(parts[3].m_strContent, "/nonexistent/b.bin");

  // An attachment that cannot be opened leaves only its boundary line.
  parted.m_strBody = "body";
  parted.SetStampTime(kStamp);
  parted.Compose();
  EXPECT_EQ(parted.m_strBody, kPreamble + kOpen + kTextHeader + "body\r\n" + kOpen +
                                  "Content-Type: text/plain; charset=koi8-r\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n"
                                  "first text\r\n" +
                                  kOpen + kTextHeader + "second text\r\n" + kOpen + kFileHeader + "aGVsbG8=\r\n\r\n" +
                                  kOpen + kClose);
}

TEST(MultipartMessage, EveryMessageFindsTheSameTwoAgents) {
  CContentAgentRegistry& registry = CContentAgentRegistry::Instance();
  CMultipartMessage first;
  size_t count = registry.GetCount();
  const CContentAgent* text = registry.FindAgent(ContentTextPlain);
  for (int i = 0; i < 5; ++i) CMultipartMessage another;
  EXPECT_EQ(registry.GetCount(), count);
  EXPECT_EQ(registry.FindAgent(ContentTextPlain), text);
  ASSERT_NE(registry.FindAgent(ContentOctetStream), nullptr);
  EXPECT_EQ(registry.FindAgent(ContentOctetStream)->GetContentType(), "application/octet-stream");
  EXPECT_EQ(registry.FindAgent(7), nullptr);

  // The text part is seven-bit whatever its bytes and the encoding asked for.
  std::string dest = "before\r\n";
  EXPECT_TRUE(text->AppendPart("\xd0\x9f\xd1\x80\xd0\xb8", "", 3, true, dest));
  EXPECT_EQ(dest, "before\r\n" + kTextHeader + "\xd0\x9f\xd1\x80\xd0\xb8");
  EXPECT_TRUE(text->QueryType(ContentTextPlain));
  EXPECT_FALSE(text->QueryType(ContentOctetStream));
}

TEST(TextPlainAgent, WrapsAtTheLastBlankWithTheCountingQuirks) {
  const std::string b70(70, 'b'), b75(75, 'b'), b76(76, 'b'), b77(77, 'b'), c10(10, 'c'), e100(100, 'e');
  std::string nines;
  for (int i = 0; i < 10; ++i) nines += "aaaaaaaaa ";
  const std::pair<std::string, std::string> cases[] = {
      // The first line breaks at its 78th character.
      {b75 + " " + c10, b75 + "\r\n" + c10},
      {b76 + " " + c10, b76 + "\r\n" + c10},
      // 77 characters and a blank fit on one line only because the blank is the 78th.
      {b77 + " " + c10, b77 + "\r\n" + c10},
      {b77, b77},
      // 100 characters with a blank after every ninth: the 78th reached, broken at the blank before it.
      {nines, nines.substr(0, 69) + "\r\n" + nines.substr(70)},
      // A line after CR LF breaks at its 76th character.
      {"x\r\n" + b70 + " " + std::string(40, 'c'), "x\r\n" + b70 + "\r\n" + std::string(40, 'c')},
      // No blank seen yet when the count runs out: CR LF goes in front of the whole text.
      {"x\r\n" + b76 + " " + c10, "\r\nx\r\n" + b76 + " " + c10},
      // The remembered blank of an earlier line takes the break; a bare LF does not restart the count.
      {"ab cd\r\n" + e100, "ab\r\ncd\r\n" + e100},
      {"ab cd\n" + e100, "ab\r\ncd\n" + e100},
      // Blanks around the break all give way to the one CR LF.
      {b70 + " \t  " + std::string(20, 'v'), b70 + "\r\n" + std::string(20, 'v')},
      // Text without blanks gets one leading break.
      {std::string(200, 'x'), "\r\n" + std::string(200, 'x')},
      {"", ""},
      {"short text", "short text"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(CTextPlainAgent().WrapText(text), expected) << text;
  EXPECT_EQ(CTextPlainAgent(20).WrapText("one two three four five six"), "one two three four\r\nfive six");
}

TEST(OctetStreamAgent, FileGoesOutInStandardBase64LinesOfFiftyFourBytes) {
  testing::TempFolder dir;
  COctetStreamAgent agent;
  CBase64Encoder b64;
  std::string bytes;
  for (size_t i = 0; i < 120; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xff);
  const std::string line1 = b64.Encode(bytes.substr(0, 54)), line2 = b64.Encode(bytes.substr(54, 54));
  EXPECT_EQ(line1.size(), 72u);
  std::string dest;
  ASSERT_TRUE(agent.AppendPart(dir.Write("data.bin", bytes), "; ignored", 0, false, dest));
  EXPECT_EQ(dest, kFileHeader + line1 + "\r\n" + line2 + "\r\n" + b64.Encode(bytes.substr(108)) + "\r\n\r\n");

  // A size of whole blocks, and an empty file, end with an empty line.
  dest.clear();
  ASSERT_TRUE(agent.AppendPart(dir.Write("data.bin", bytes.substr(0, 108)), "", 0, true, dest));
  EXPECT_EQ(dest, kFileHeader + line1 + "\r\n" + line2 + "\r\n\r\n\r\n");
  dest.clear();
  ASSERT_TRUE(agent.AppendPart(dir.Write("data.bin", ""), "", 0, true, dest));
  EXPECT_EQ(dest, kFileHeader + "\r\n\r\n");

  // A missing file or a folder writes nothing.
  dest = "kept";
  EXPECT_FALSE(agent.AppendPart(dir / "missing.bin", "", 0, true, dest));
  EXPECT_FALSE(agent.AppendPart(dir.Path(), "", 0, true, dest));
  EXPECT_FALSE(agent.AppendPart("", "", 0, true, dest));
  EXPECT_EQ(dest, "kept");
  EXPECT_EQ(agent.BuildPartHeader("/x/report.final.txt", "", 0, false),
            "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"report.final.txt\"\r\n\r\n");

  // The standard alphabet and padding; decoding gives the bytes back.
  EXPECT_EQ(b64.Encode(""), "");
  EXPECT_EQ(b64.Encode("f"), "Zg==");
  EXPECT_EQ(b64.Encode("fo"), "Zm8=");
  EXPECT_EQ(b64.Encode("foo"), "Zm9v");
  EXPECT_EQ(b64.Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(b64.Encode(std::string("\xfb\xff\xbf", 3)), "+/+/");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string back;
  ASSERT_TRUE(b64.Decode(b64.Encode(all), back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(b64.Decode("Zm9v!", back));
  EXPECT_FALSE(b64.Decode("Zg==Zg==", back));
}

}  // namespace
}  // namespace quorvex::mail
