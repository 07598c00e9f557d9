#include "mail/octet_stream_agent.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "mail/base64_encoder.h"
#include "mail/multipart_message.h"

namespace quorvex::mail {
namespace {

namespace fs = std::filesystem;

class OctetStreamAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("quorvex-attach-" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    fs::path path = m_dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  static std::string Bytes(size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += static_cast<char>((i * 37 + 11) & 0xff);
    return out;
  }

  fs::path m_dir;
};

const std::string kHeader =
    "Content-Type: application/octet-stream; file=data.bin\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\r\n\r\n";

TEST_F(OctetStreamAgentTest, FileGoesOutInBase64LinesOfFiftyFourBytes) {
  COctetStreamAgent agent;
  CBase64Encoder b64;
  std::string bytes = Bytes(120);
  std::string dest;
  ASSERT_TRUE(agent.AppendPart(WriteFile("data.bin", bytes), "; ignored", 0, false, dest));
  std::string line1 = b64.Encode(bytes.substr(0, 54)), line2 = b64.Encode(bytes.substr(54, 54));
  EXPECT_EQ(line1.size(), 72u);
  EXPECT_EQ(dest, kHeader + line1 + "\r\n" + line2 + "\r\n" + b64.Encode(bytes.substr(108)) + "\r\n\r\n");
}

TEST_F(OctetStreamAgentTest, SizeOfWholeBlocksAndEmptyFileEndWithAnEmptyLine) {
  COctetStreamAgent agent;
  CBase64Encoder b64;
  std::string bytes = Bytes(108);
  std::string dest;
  ASSERT_TRUE(agent.AppendPart(WriteFile("data.bin", bytes), "", 0, true, dest));
  EXPECT_EQ(dest, kHeader + b64.Encode(bytes.substr(0, 54)) + "\r\n" + b64.Encode(bytes.substr(54)) + "\r\n\r\n\r\n");
  dest.clear();
  ASSERT_TRUE(agent.AppendPart(WriteFile("data.bin", ""), "", 0, true, dest));
  EXPECT_EQ(dest, kHeader + "\r\n\r\n");
}

TEST_F(OctetStreamAgentTest, MissingFileOrFolderWritesNothing) {
  COctetStreamAgent agent;
  std::string dest = "kept";
  EXPECT_FALSE(agent.AppendPart((m_dir / "missing.bin").string(), "", 0, true, dest));
  EXPECT_FALSE(agent.AppendPart(m_dir.string(), "", 0, true, dest));
  EXPECT_FALSE(agent.AppendPart("", "", 0, true, dest));
  EXPECT_EQ(dest, "kept");
  EXPECT_EQ(agent.BuildPartHeader("/x/report.final.txt", "", 0, false),
            "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"report.final.txt\"\r\n\r\n");
}

TEST_F(OctetStreamAgentTest, AttachmentFollowsTheTextPartInAMessage) {
  std::string path = WriteFile("data.bin", "hello");
  CMultipartMessage message;
  message.m_strBody = "see attachment";
  message.AddPart(path, ContentOctetStream, "", 0, true);
  message.SetStampTime(0);
  message.Compose();
  const std::string open = "--ZQ_MAIL_PaRt_BoUnDaRy_05151998\r\n";
  EXPECT_EQ(message.m_strBody, "This is a multi-part message in MIME format.\r\n\r\n" + open +
                                   "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n"
                                   "see attachment\r\n" +
                                   open + kHeader + "aGVsbG8=\r\n\r\n--ZQ_MAIL_PaRt_BoUnDaRy_05151998--\r\n");
}

TEST(Base64Encoder, StandardAlphabetAndPadding) {
  CBase64Encoder b64;
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
