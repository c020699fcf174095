#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace {

// The text goes out whenever it reaches this size.
constexpr size_t kWriteAt = size_t{1} << 20;

// The length of the UTF-8 sequence that starts `text` at `i`, 0 when the
// bytes there are no valid sequence (overlong forms and surrogates included).
size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  uint32_t min = 0, code = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) length = 2, min = 0x80, code = lead & 0x1F;
  else if ((lead & 0xF0) == 0xE0) length = 3, min = 0x800, code = lead & 0x0F;
  else if ((lead & 0xF8) == 0xF0) length = 4, min = 0x10000, code = lead & 0x07;
  else return 0;
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      const size_t length = Utf8Length(text, i);
      if (length == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is no UTF-8
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
    ++i;
  }
  out += '"';
}

template <class T>
void AppendShortest(std::string& out, T value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (std::isfinite(value) && error == std::errc()) {
    out.append(text, end);
  } else {
    out += "null";
  }
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
  std::string out;
  AppendQuoted(out, text);
  return out;
}

JsonWriter::JsonWriter(std::ostream& out, Layout layout) : m_out(out), m_oneLine(layout == Layout::OneLine) {}

JsonWriter::~JsonWriter() { Flush(true); }

void JsonWriter::BeforeValue() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (m_levels.empty()) return;
  Level& level = m_levels.back();
  if (!level.empty) m_text += level.inlined ? ", " : ",";
  if (!level.inlined) m_text.append("\n").append(m_levels.size(), ' ');
  level.empty = false;
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  m_text += '{';
  m_levels.push_back({false, m_oneLine, true});
  return *this;
}

JsonWriter& JsonWriter::BeginArray(bool inlined) {
  BeforeValue();
  m_text += '[';
  // An array inside one that stands on a line stands on that line too.
  inlined = inlined || m_oneLine || (!m_levels.empty() && m_levels.back().inlined);
  m_levels.push_back({true, inlined, true});
  return *this;
}

void JsonWriter::Close(char bracket) {
  const Level level = m_levels.back();
  m_levels.pop_back();
  if (!level.empty && !level.inlined) m_text.append("\n").append(m_levels.size(), ' ');
  m_text += bracket;
  if (m_levels.empty()) {
    m_text += '\n';
    Flush(true);
  } else {
    Flush(false);
  }
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  AppendQuoted(m_text, key);
  m_text += ": ";
  m_afterKey = true;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
  BeforeValue();
  AppendQuoted(m_text, text);
  return *this;
}

JsonWriter& JsonWriter::Number(double value) {
  BeforeValue();
  AppendShortest(m_text, value);
  return *this;
}

JsonWriter& JsonWriter::Number(float value) {
  BeforeValue();
  AppendShortest(m_text, value);
  return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
  BeforeValue();
  char text[24];
  m_text.append(text, std::to_chars(text, text + sizeof text, value).ptr);
  return *this;
}

JsonWriter& JsonWriter::Unsigned(uint64_t value) {
  BeforeValue();
  char text[24];
  m_text.append(text, std::to_chars(text, text + sizeof text, value).ptr);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  m_text += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  m_text += "null";
  return *this;
}

void JsonWriter::Flush(bool always) {
  if (m_text.empty() || (!always && m_text.size() < kWriteAt)) return;
  m_out.write(m_text.data(), std::streamsize(m_text.size()));
  m_text.clear();
}
