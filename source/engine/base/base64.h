#pragma once

namespace cocos2d {

// Decodes standard Base64 (padding optional, no whitespace) into a malloc'ed
// buffer of exactly the decoded length; the caller frees it. Invalid
// characters or an impossible length give 0 and *out = nullptr.
int base64Decode(const unsigned char* in, unsigned int inLength, unsigned char** out);

}  // namespace cocos2d
