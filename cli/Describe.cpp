#include "cli/Describe.h"

#include <nettle/sha2.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "cli/Session.h"

namespace kitrova::cli {

namespace {

// Line breaks and tabs in a version string would break the grid's one-line cells.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  text.erase(0, first);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// Old resource compilers write "1, 2, 3, 4"; a person writes "1.2.3.4".
std::string TidyVersion(std::string version) {
  std::string out;
  for (std::size_t i = 0; i < version.size(); ++i) {
    if (version[i] == ',') {
      out += '.';
      while (i + 1 < version.size() && version[i + 1] == ' ') ++i;
    } else {
      out += version[i];
    }
  }
  return out;
}

}  // namespace

DescribedTexts RecordTextsOf(const describe::Description& d) {
  DescribedTexts texts;
  const std::string product = OneLine(d.productName);
  const std::string version = TidyVersion(OneLine(d.productVersion));
  texts.name = product;
  if (!product.empty() && !version.empty() && product.find(version) == std::string::npos) {
    texts.name += " " + version;
  }
  const std::string description = OneLine(d.fileDescription);
  const std::string maker = OneLine(d.companyName);
  if (!description.empty() && description != product) texts.comment = description;
  if (!maker.empty() && texts.comment.find(maker) == std::string::npos) {
    texts.comment += (texts.comment.empty() ? "" : ", ") + maker;
  }
  texts.year = d.year;
  return texts;
}

std::string Sha256Of(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CliError("cannot open " + Utf8Path(file));
  sha256_ctx context;
  sha256_init(&context);
  std::vector<char> buffer(1 << 20);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() > 0) {
      sha256_update(&context, static_cast<std::size_t>(in.gcount()),
                    reinterpret_cast<const std::uint8_t*>(buffer.data()));
    }
  }
  if (in.bad()) throw CliError("cannot read " + Utf8Path(file));
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, SHA256_DIGEST_SIZE, digest);
  const unsigned int length = SHA256_DIGEST_SIZE;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0xF];
  }
  return hex;
}

}  // namespace kitrova::cli
