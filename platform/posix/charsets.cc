#include "platform/posix/charsets.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

#include "base/charset.h"
#include "base/text.h"

namespace zorvane::posix {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// iconv's names for each set, best first: glibc's EUC-JP-MS reads the NEC and IBM rows
// and Microsoft's mappings of the JIS rows, as browsers' EUC-JP does; plain EUC-JP where
// iconv lacks it.
struct IconvNames {
  charset::Id id;
  const char* names[2];
};
constexpr IconvNames kIconvNames[] = {
    {charset::Id::kWindows1252, {"CP1252", nullptr}},
    {charset::Id::kShiftJis, {"CP932", nullptr}},
    {charset::Id::kEucJp, {"EUC-JP-MS", "EUC-JP"}},
};

class Converter final {
 public:
  explicit Converter(charset::Id id) {
    for (const IconvNames& set : kIconvNames) {
      if (set.id != id) continue;
      for (const char* name : set.names) {
        if (name != nullptr && cd_ == kClosed) cd_ = ::iconv_open("UTF-8", name);
      }
    }
  }
  ~Converter() {
    if (cd_ != kClosed) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != kClosed; }

  // Converts all of `bytes`; each byte iconv refuses gives `invalid(byte)` and the
  // conversion goes on after it.
  template <typename Invalid>
  std::string Convert(std::string_view bytes, Invalid invalid) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    char* in = const_cast<char*>(bytes.data());  // iconv does not write through it
    std::size_t in_left = bytes.size();
    char buffer[4096];
    while (in_left > 0) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t result = ::iconv(cd_, &in, &in_left, &out_ptr, &out_left);
      const int error = errno;
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
      // EILSEQ (no character starts here) or EINVAL (the text ends inside one).
      text::AppendUtf8(invalid(static_cast<unsigned char>(*in)), &out);
      ++in;
      --in_left;
      ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  static inline const iconv_t kClosed = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_ = kClosed;
};

}  // namespace

bool DecodeText(std::string_view charset, std::string_view bytes, std::string* utf8) {
  const charset::Id id = charset::FromName(charset);
  Converter converter(id);
  if (!converter.ok()) return false;
  const bool single_byte = id == charset::Id::kWindows1252;
  *utf8 = converter.Convert(bytes, [single_byte](unsigned char byte) {
    return single_byte ? static_cast<char32_t>(byte) : kReplacement;
  });
  return true;
}

}  // namespace zorvane::posix
