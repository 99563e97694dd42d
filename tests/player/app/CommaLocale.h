// Installs a global C and C++ locale whose decimal separator is a comma for
// the life of the object, so tests can show that stored numbers ignore it.
#pragma once

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace apptest {

class CommaLocale {
public:
    CommaLocale() {
        struct Comma : std::numpunct<char> {
            char do_decimal_point() const override { return ','; }
            char do_thousands_sep() const override { return '.'; }
            std::string do_grouping() const override { return "\3"; }
        };
        std::setlocale(LC_ALL, "de_DE.utf8");  // the C side, where the system has it
        m_previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    }
    ~CommaLocale() {
        std::locale::global(m_previous);
        std::setlocale(LC_ALL, "C");
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

private:
    std::locale m_previous;
};

}  // namespace apptest
