// Generated hostile values for the escaping round trips of the MySQL tools: quotes, backslashes,
// "%", "_", blanks, the command interpreter's specials, accented letters of code page 1250 and every
// byte that can be typed (0x20 to 0xFF without the five that code page leaves undefined, and the
// tab). Seeded: MV_HOSTILE_SEED repeats a run (the seed is printed), MV_HOSTILE_COUNT raises the
// number of values (at least 500); scripts/hostile-values.sh runs many.
#pragma once

#include "tests/harness/test_files.h"

#include <stdint.h>
#include <stdlib.h>
#include <time.h>

#include <iostream>
#include <random>
#include <string>

struct HostileValues {
    uint64_t seed;
    int count;
    std::mt19937_64 random;

    explicit HostileValues(const char* what)
    {
        std::string seedText = EnvironmentValue("MV_HOSTILE_SEED");
        seed = seedText.empty() ? static_cast<uint64_t>(time(nullptr)) : strtoull(seedText.c_str(), nullptr, 10);
        count = atoi(EnvironmentValue("MV_HOSTILE_COUNT", "500").c_str());
        if (count < 500) count = 500;
        random.seed(seed);
        std::cout << what << ": " << count << " values, MV_HOSTILE_SEED=" << seed << std::endl;
    }

    size_t Below(size_t limit) { return static_cast<size_t>(random() % limit); }

    // One character: a special a third of the time, an accented letter a fifth, else any typeable byte.
    char Character()
    {
        static const std::string specials = "'\"\\%_ &|<>^(),;=!@#`-\t";
        // á é í ó ö ő ú ü ű Á É Ő Ű š ž ł ą č ř ß
        static const std::string accented = "\xe1\xe9\xed\xf3\xf6\xf5\xfa\xfc\xfb\xc1\xc9\xd5\xdb\x9a\x9e\xb3\xb9\xe8\xf8\xdf";
        size_t kind = Below(15);
        if (kind < 5) return specials[Below(specials.size())];
        if (kind < 8) return accented[Below(accented.size())];
        for (;;) {
            unsigned char c = static_cast<unsigned char>(0x20 + Below(0xE0));
            if (c != 0x7F && c != 0x81 && c != 0x83 && c != 0x88 && c != 0x90 && c != 0x98) return static_cast<char>(c);
        }
    }

    // A value of 1 to maxLength characters (mostly short, now and then the longest) without any of
    // the characters in excluded.
    std::string Value(size_t maxLength, const std::string& excluded = "")
    {
        size_t length = Below(8) == 0 ? maxLength : 1 + Below(maxLength < 12 ? maxLength : 12);
        std::string value;
        while (value.size() < length) {
            char c = Character();
            if (excluded.find(c) == std::string::npos) value += c;
        }
        return value;
    }
};

// The bytes of a text as upper-case hexadecimal digits, for SQL literals and messages.
inline std::string Hex(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : text) hex += std::string{digits[c >> 4], digits[c & 15]};
    return hex;
}
