// Base64 with the standard RFC 4648 alphabet and "=" padding, no line breaks; carries opaque binary
// blobs inside JSON documents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

inline constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Appends the padded Base64 text of `size` bytes; nothing when `size` is 0.
void base64Append(std::string& out, const unsigned char* data, std::size_t size);

// The 6-bit value of one alphabet character, or -1 for any other character ("=" included).
int base64Digit(char ch);

// Decodes the whole of `text` into `out`, replacing its contents. Refuses a length that is not a
// multiple of 4, a decoded size above `maxBytes` (checked before decoding anything), characters
// outside the alphabet (whitespace included) and padding anywhere but at the end of the last group.
// On refusal `out` holds a partial result to be discarded.
bool base64Decode(const std::string& text, std::vector<uint8_t>& out, std::size_t maxBytes);

} // namespace vanto
