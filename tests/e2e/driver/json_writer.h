#pragma once

#include <string>
#include <string_view>

// Builds JSON text by hand. Strings are UTF-16 and are written as pure ASCII:
// every code unit outside printable ASCII becomes a \uXXXX escape, so lone
// surrogates and control characters come through intact whatever the console
// code page is. The tests need that: they compare command lines and window
// texts made of lone surrogates, which a JSON library that keeps strings as
// UTF-8 (nlohmann::json, say) refuses or replaces.
class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::wstring_view value);
    JsonWriter& Ascii(std::string_view value);
    JsonWriter& Int(long long value);
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return text_; }

  private:
    void BeforeValue();

    std::string text_;
    bool needComma_ = false;
};
