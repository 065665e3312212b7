#ifndef TARVO_BASE_WORDS_H_
#define TARVO_BASE_WORDS_H_

#include <cstdint>
#include <cstring>

// Eight bytes looked at as one number, for scans of long texts that test a byte at a time
// no faster than a word.

/// Eight bytes as a number, the first byte lowest on every machine.
inline uint64_t Word(const char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

/// Four bytes as a number, in the machine's order: for comparisons, which order leaves alike.
inline uint32_t HalfWord(const char* bytes) {
  uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

/// The high bit of each byte of `word` that equals the byte filling every byte of `lanes`,
/// and of no other: where the two are equal their exclusive or has a zero byte.
inline uint64_t Matches(uint64_t word, uint64_t lanes) {
  const uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL;
  uint64_t x = word ^ lanes;
  return ~(((x & low7) + low7) | x | low7);
}

/// `c` in every byte of a word, for Matches (not named `byte`, which <windows.h> declares).
constexpr uint64_t Lanes(char c) {
  return 0x0101010101010101ULL * static_cast<unsigned char>(c);
}

/// The place of the lowest and of the highest bit set in `bits`, which is not 0.
inline unsigned LowestBit(uint64_t bits) {
#if defined(__GNUC__)
  return static_cast<unsigned>(__builtin_ctzll(bits));
#else
  unsigned bit = 0;
  while ((bits & 1) == 0) {
    bits >>= 1;
    ++bit;
  }
  return bit;
#endif
}
inline unsigned HighestBit(uint64_t bits) {
#if defined(__GNUC__)
  return 63 - static_cast<unsigned>(__builtin_clzll(bits));
#else
  unsigned bit = 63;
  while ((bits >> bit) == 0)
    --bit;
  return bit;
#endif
}

#endif  // TARVO_BASE_WORDS_H_
