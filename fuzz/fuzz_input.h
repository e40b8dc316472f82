// FuzzInput: carves one fuzz input into what a case needs. Control bytes
// (options, character sets) come off the front; the texts that follow are
// separated by "|||" (the last text takes the rest, separators included), so
// a seed file stays readable: "3a|||<p>old|||<p>new".
#ifndef LUMIVANT_FUZZ_FUZZ_INPUT_H_
#define LUMIVANT_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lvt_fuzz {

class FuzzInput {
 public:
  static constexpr std::string_view kSeparator = "|||";

  FuzzInput(const uint8_t* data, std::size_t size)
      : m_Rest(reinterpret_cast<const char*>(data), size) {}
  explicit FuzzInput(std::string_view bytes) : m_Rest(bytes) {}

  // The next byte; 0 once the input is used up.
  uint8_t TakeByte() {
    if (m_Rest.empty()) return 0;
    const uint8_t byte = static_cast<uint8_t>(m_Rest.front());
    m_Rest.remove_prefix(1);
    return byte;
  }

  // One of n choices, n > 0.
  std::size_t TakeIndex(std::size_t n) { return TakeByte() % n; }

  // Bytes up to the next separator, which is skipped; everything left when
  // there is none.
  std::string TakeText() {
    const std::size_t at = m_Rest.find(kSeparator);
    const std::string_view text = m_Rest.substr(0, at);
    m_Rest.remove_prefix(at == std::string_view::npos ? m_Rest.size() : at + kSeparator.size());
    return std::string(text);
  }

  std::string TakeRest() {
    std::string rest(m_Rest);
    m_Rest = std::string_view();
    return rest;
  }

 private:
  std::string_view m_Rest;
};

}  // namespace lvt_fuzz

#endif  // LUMIVANT_FUZZ_FUZZ_INPUT_H_
