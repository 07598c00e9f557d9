#pragma once
// MIME content encoders. CBase64Encoder writes RFC 2045 base64 (standard alphabet, "=" padding,
// no line breaks); line layout is left to the caller.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvex::mail {

class CMimeEncoder {
 public:
  virtual ~CMimeEncoder() = default;
  // Decode returns false when text is not valid for the encoding; out is then unspecified.
  virtual bool Decode(const std::string& text, std::string& out) const = 0;
  virtual std::string Encode(const uint8_t* data, size_t size) const = 0;
};

class CBase64Encoder : public CMimeEncoder {
 public:
  bool Decode(const std::string& text, std::string& out) const override;
  std::string Encode(const uint8_t* data, size_t size) const override;
  std::string Encode(const std::string& bytes) const {
    return Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
};

}  // namespace quorvex::mail
