// The host's exceptions. They are thrown by pointer (new) and the catcher
// deletes them; every one derives from CQEL_AppException.
#pragma once
#include <exception>
#include <string>

#include <afx.h>
#include <comdef.h>

#include "qel_export.h"

class QEL_HOST_API CQEL_AppException {
 public:
  explicit CQEL_AppException(const std::string& message = std::string());
  virtual ~CQEL_AppException();
  static const char* GetStaticClassName();
  virtual const char* GetClassName() const;

  // Where the exception arose: a source text, and apart from it the line as
  // decimal text ("" when the source text says all).
  void Source(const std::string& source);
  const std::string& Source() const;
  void SourceLine(const std::string& line);
  const std::string& SourceLine() const;
  const std::string& Message() const;

  // A report for a person, several lines: the class, the message and where
  // the exception arose.
  virtual std::string PrintReport() const;

 protected:
  void SetMessage(const std::string& message);

 private:
  std::string m_message;
  std::string m_source;
  std::string m_sourceLine;
};

// A member was to be reached through a smart pointer that holds nothing.
class QEL_HOST_API CQEL_NullReferenceException : public CQEL_AppException {
 public:
  // `className`: the class whose object was missing.
  explicit CQEL_NullReferenceException(const std::string& className);
  static const char* GetStaticClassName();
  const char* GetClassName() const override;
  const std::string& ReferencedClassName() const;

 private:
  std::string m_className;
};

// Wraps an error that is not one of the host's own, to report it the same way.
class QEL_HOST_API CQEL_AppForeignException : public CQEL_AppException {
 public:
  // An exception of unknown kind.
  CQEL_AppForeignException();
  // A framework exception; the caller keeps it and deletes it afterwards.
  explicit CQEL_AppForeignException(CException* exception);
  explicit CQEL_AppForeignException(const _com_error& error);
  explicit CQEL_AppForeignException(const std::exception& exception);
  static const char* GetStaticClassName();
  const char* GetClassName() const override;
};
