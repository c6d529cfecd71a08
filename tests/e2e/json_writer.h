// One flat JSON object as the test and benchmark programs print it: ASCII
// only (other characters as \u escapes, surrogate pairs kept), so any reader
// decodes the text exactly.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class Json {
 public:
  void Bool(const char* key, bool value) { Raw(key, value ? "true" : "false"); }
  void Int(const char* key, long long value) { Raw(key, std::to_string(value)); }
  void Text(const char* key, const std::wstring& value) { Raw(key, Quote(value)); }
  void Texts(const char* key, const std::vector<std::wstring>& values) {
    std::string list = "[";
    for (size_t i = 0; i < values.size(); ++i) {
      if (i) list += ',';
      list += Quote(values[i]);
    }
    Raw(key, list + "]");
  }
  void Ints(const char* key, const std::vector<long long>& values) {
    std::string list = "[";
    for (size_t i = 0; i < values.size(); ++i) {
      if (i) list += ',';
      list += std::to_string(values[i]);
    }
    Raw(key, list + "]");
  }
  [[nodiscard]] std::string Finish() const { return "{" + body_ + "}\n"; }

 private:
  void Raw(const char* key, const std::string& value) {
    if (!body_.empty()) body_ += ',';
    body_ += '"';
    body_ += key;
    body_ += "\":";
    body_ += value;
  }
  static std::string Quote(const std::wstring& text) {
    std::string out = "\"";
    for (wchar_t c : text) {
      if (c == L'"' || c == L'\\') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c >= 0x20 && c < 0x7f) {
        out += static_cast<char>(c);
      } else {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c) & 0xffffu);
        out += escape;
      }
    }
    return out + "\"";
  }
  std::string body_;
};
