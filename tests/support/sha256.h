// SHA-256 of a byte string, as sha256sum prints it (64 lower-case hex
// digits): the golden results tests compare files with it on every
// platform, without a shell and its tools.
#ifndef SORVEL_TESTS_SUPPORT_SHA256_H_
#define SORVEL_TESTS_SUPPORT_SHA256_H_

#include <string>

std::string sha256_hex(const std::string& bytes);

#endif  // SORVEL_TESTS_SUPPORT_SHA256_H_
