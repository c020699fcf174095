// CString: the framework's 8-bit string. Bytes are kept as they are; no
// character set is assumed.
#pragma once
#include <cstdarg>
#include <string>

#include "afx.h"

class AFX_API CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: converts like the framework's
  CString(const char* text, int length);
  CString(const std::string& text) : m_text(text) {}  // NOLINT
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* text);

  // Replaces the text with the printf-style formatting of the arguments.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* format, va_list args);
  // Replaces the text with string resource `id` of the current resource
  // handle (AfxGetResourceHandle). FALSE, and the text unchanged, when the
  // handle has no such string.
  BOOL LoadString(UINT id);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  BOOL IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  const char* GetString() const { return m_text.c_str(); }
  operator LPCTSTR() const { return m_text.c_str(); }  // NOLINT: converts like the framework's
  const std::string& Str() const { return m_text; }
  char GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }

  // The first `count` bytes (all of them when the string is shorter).
  CString Left(int count) const;
  // From `first` to the end, or `count` bytes from `first`.
  CString Mid(int first) const;
  CString Mid(int first, int count) const;

  CString& operator+=(const CString& other);
  CString& operator+=(const char* text);
  CString& operator+=(char c);

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

 private:
  std::string m_text;
};
