#include "report.h"

void Report::set(const std::string& key, const std::string& value) {
    for (auto& e : entries_) {
        if (e.first == key) {
            e.second = value;
            return;
        }
    }
    entries_.emplace_back(key, value);
}

const std::string* Report::get(const std::string& key) const {
    for (const auto& e : entries_)
        if (e.first == key) return &e.second;
    return nullptr;
}

std::string Report::escape(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string Report::text() const {
    std::string out;
    for (const auto& e : entries_) out += e.first + "=" + escape(e.second) + "\n";
    return out;
}
