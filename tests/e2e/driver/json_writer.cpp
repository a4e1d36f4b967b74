#include "json_writer.h"

#include <cstdio>

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    text_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    text_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    Ascii(name);
    text_ += ':';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::String(std::wstring_view value) {
    BeforeValue();
    text_ += '"';
    for (wchar_t c : value) {
        if (c == L'"' || c == L'\\') {
            text_ += '\\';
            text_ += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            text_ += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c) & 0xFFFF);
            text_ += escape;
        }
    }
    text_ += '"';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Ascii(std::string_view value) {
    return String(std::wstring(value.begin(), value.end()));
}

JsonWriter& JsonWriter::Int(long long value) {
    BeforeValue();
    text_ += std::to_string(value);
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    BeforeValue();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    text_ += buffer;
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    needComma_ = true;
    return *this;
}

void JsonWriter::BeforeValue() {
    if (needComma_) {
        text_ += ',';
    }
    needComma_ = false;
}
