#pragma once

#include <optional>
#include <string>
#include <string_view>

// Builds JSON text by hand. Strings are UTF-16 and are written as pure ASCII:
// every code unit outside printable ASCII becomes a \uXXXX escape, so lone
// surrogates and control characters come through intact whatever the console
// code page is. The tests need that: they compare command lines and window
// texts made of lone surrogates, which a JSON library that keeps strings as
// UTF-8 (nlohmann::json, say) refuses or replaces. Where wchar_t holds a whole
// character (tolvane_expect, built natively), one beyond the BMP is written as
// its surrogate pair, as the driver writes it.
class JsonWriter {
  public:
    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::wstring_view value);
    JsonWriter& Ascii(std::string_view value);
    JsonWriter& Int(long long value) { return Value(std::to_string(value)); }
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value) { return Value(value ? "true" : "false"); }
    JsonWriter& Null() { return Value("null"); }
    // The value, or null when there is none.
    JsonWriter& IntOrNull(std::optional<long long> value) { return value ? Int(*value) : Null(); }
    JsonWriter& NumberOrNull(std::optional<double> value) {
        return value ? Number(*value) : Null();
    }

    const std::string& Text() const { return text_; }

  private:
    JsonWriter& Open(char bracket);
    JsonWriter& Close(char bracket);
    // Writes `text` where a value goes, after a comma when one is due.
    JsonWriter& Value(const std::string& text);
    void Escape(unsigned unit);

    std::string text_;
    bool needComma_ = false;
};
