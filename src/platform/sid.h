#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorel {

// A security identifier in its binary form, exactly as Windows lays it out:
// revision, sub-authority count, 6-byte big-endian identifier authority,
// then the sub-authorities as little-endian 32-bit values.
class Sid {
  public:
    static constexpr std::size_t kMaxSubAuthorities = 15;

    Sid() = default;

    // Parses "S-1-5-32-544". Returns nothing for any text that is not a valid
    // string SID (the case ConvertStringSidToSidW rejects with 1337).
    static std::optional<Sid> fromString(std::wstring_view text);
    // Builds from the binary form; nothing when the bytes are not a whole SID.
    static std::optional<Sid> fromBytes(const std::uint8_t* data, std::size_t size);
    static Sid make(std::uint64_t authority, std::initializer_list<std::uint32_t> subAuthorities);

    // "S-1-5-21-1-2-3-1001": authorities below 2^32 in decimal, larger ones
    // in hexadecimal, as ConvertSidToStringSidW writes them.
    std::wstring toString() const;

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    bool empty() const { return bytes_.empty(); }
    std::uint8_t subAuthorityCount() const { return bytes_.empty() ? 0 : bytes_[1]; }
    std::uint32_t subAuthority(std::size_t i) const;
    std::uint64_t authority() const;
    // The SID with its last sub-authority removed (the domain of an account).
    Sid prefix() const;

    friend bool operator==(const Sid&, const Sid&) = default;
    friend auto operator<=>(const Sid& a, const Sid& b) { return a.bytes_ <=> b.bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

struct SidHash {
    std::size_t operator()(const Sid& sid) const noexcept;
};

// Well-known SIDs the system relies on.
namespace well_known {
Sid everyone();        // S-1-1-0
Sid creatorOwner();    // S-1-3-0
Sid creatorGroup();    // S-1-3-1
Sid localSystem();     // S-1-5-18
Sid administrators();  // S-1-5-32-544
Sid users();           // S-1-5-32-545
}  // namespace well_known

}  // namespace quorel
