// Shared by the tests of the stored player-state strings.
#pragma once

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>
#include <vector>

namespace apptest {

template <class Table>
std::vector<std::string> keysOf(const Table& table) {
    std::vector<std::string> keys;
    for (const auto& entry : table) keys.push_back(entry.first);
    return keys;
}

// The one line a parse logs for `unread` records kept; none for 0.
inline std::vector<std::string> unreadLog(const std::string& tag, int unread) {
    if (unread == 0) return {};
    return {"[" + tag + "] kept " + std::to_string(unread) + " unread records"};
}

// A global C and C++ locale with a decimal comma while the object lives.

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
