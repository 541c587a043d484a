// Generated hostile values for the server tools' escaping round trips: quotes, brackets, backslashes,
// "%", "_", blanks, the command interpreter's specials, accented letters of code page 1250 and every
// byte that can be typed. Seeded: the seed is printed, MV_HOSTILE_SEED repeats it, MV_HOSTILE_COUNT
// raises the number of values (at least 500); scripts/hostile-values.sh runs many.
#pragma once

#include "tests/harness/test_files.h"

#include <stdlib.h>
#include <time.h>

#include <iostream>
#include <random>
#include <string>

struct HostileValues {
    unsigned long long seed = strtoull(EnvironmentValue("MV_HOSTILE_SEED", "0").c_str(), nullptr, 10);
    int count = atoi(EnvironmentValue("MV_HOSTILE_COUNT", "500").c_str());
    std::mt19937_64 random;

    explicit HostileValues(const char* what)
    {
        if (!seed) seed = static_cast<unsigned long long>(time(nullptr));
        if (count < 500) count = 500;
        random.seed(seed);
        std::cout << what << ": " << count << " values, MV_HOSTILE_SEED=" << seed << std::endl;
    }
    size_t Below(size_t limit) { return static_cast<size_t>(random() % limit); }

    // 1 to maxLength characters (mostly short, one in eight the longest), none of them in excluded: a
    // third specials, a fifth accented letters (á é í ó ö ő ú ü ű Á É Ő Ű š ž ł ą č ř ß), the rest
    // any byte from 0x20 to 0xFF but DEL and the five code page 1250 leaves undefined.
    std::string Value(size_t maxLength, const std::string& excluded = "")
    {
        static const std::string specials = "'\"\\%_ &|<>^(),;=!@#`-\t[]";
        static const std::string accented = "\xe1\xe9\xed\xf3\xf6\xf5\xfa\xfc\xfb\xc1\xc9\xd5\xdb\x9a\x9e\xb3\xb9\xe8\xf8\xdf";
        static const std::string untypable = "\x7f\x81\x83\x88\x90\x98";
        size_t length = Below(8) == 0 ? maxLength : 1 + Below(maxLength < 12 ? maxLength : 12);
        std::string value;
        while (value.size() < length) {
            size_t kind = Below(15);
            char c = kind < 5 ? specials[Below(specials.size())]
                   : kind < 8 ? accented[Below(accented.size())] : static_cast<char>(0x20 + Below(0xE0));
            if (excluded.find(c) == std::string::npos && untypable.find(c) == std::string::npos) value += c;
        }
        return value;
    }
};

// The bytes of a text as hexadecimal digits, for SQL literals and messages.
inline std::string Hex(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) hex += std::string{digits[c >> 4], digits[c & 15]};
    return hex;
}
