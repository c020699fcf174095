// _com_error: the error that the compiler's COM support throws (by value).
#pragma once
#include <string>

#include "afx.h"

class AFX_API _com_error {
 public:
  explicit _com_error(HRESULT result, const char* description = nullptr)
      : m_result(result), m_description(description ? description : "") {}
  virtual ~_com_error();
  HRESULT Error() const { return m_result; }
  // The description, or "" when there is none.
  const char* Description() const { return m_description.c_str(); }
  // A text for a person: the description, or the error code in hex.
  std::string ErrorMessage() const;

 private:
  HRESULT m_result;
  std::string m_description;
};
