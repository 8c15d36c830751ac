// Ordered key=value report of one host run. Keys keep the order in which they were
// first set; setting a key again replaces its value in place.
#pragma once
#include <string>
#include <utility>
#include <vector>

class Report {
public:
    void set(const std::string& key, const std::string& value);
    void set(const std::string& key, long long value) { set(key, std::to_string(value)); }
    const std::string* get(const std::string& key) const;
    // One "key=value\n" per entry; values have backslash, CR and LF escaped.
    std::string text() const;
    static std::string escape(const std::string& value);

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};
