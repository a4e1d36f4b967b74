#include "json_writer.h"

#include <cstdint>
#include <cstdio>

JsonWriter& JsonWriter::Open(char bracket) {
    Value(std::string(1, bracket));
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    text_ += bracket;
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Value(const std::string& text) {
    if (needComma_) {
        text_ += ',';
    }
    text_ += text;
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    Ascii(name);
    text_ += ':';
    needComma_ = false;
    return *this;
}

void JsonWriter::Escape(unsigned unit) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", unit);
    text_ += escape;
}

JsonWriter& JsonWriter::String(std::wstring_view value) {
    Value("\"");
    for (const wchar_t c : value) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code == '"' || code == '\\') {
            text_ += {'\\', static_cast<char>(code)};
        } else if (code >= 0x20 && code < 0x7F) {
            text_ += static_cast<char>(code);
        } else if (code > 0xFFFF) {
            Escape(0xD800 + ((code - 0x10000) >> 10));
            Escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            Escape(code);
        }
    }
    text_ += '"';
    return *this;
}

JsonWriter& JsonWriter::Ascii(std::string_view value) {
    return String(std::wstring(value.begin(), value.end()));
}

JsonWriter& JsonWriter::Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    return Value(buffer);
}
