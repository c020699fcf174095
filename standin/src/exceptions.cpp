// The host's exceptions and their reports.
#include <cstdio>

#include "standin_internal.h"

CQEL_AppException::CQEL_AppException(const std::string& message) : m_message(message) {}
CQEL_AppException::~CQEL_AppException() = default;

const char* CQEL_AppException::GetStaticClassName() { return "CQEL_AppException"; }
const char* CQEL_AppException::GetClassName() const { return GetStaticClassName(); }

void CQEL_AppException::Source(const std::string& source) { m_source = source; }
const std::string& CQEL_AppException::Source() const { return m_source; }
void CQEL_AppException::SourceLine(const std::string& line) { m_sourceLine = line; }
const std::string& CQEL_AppException::SourceLine() const { return m_sourceLine; }
const std::string& CQEL_AppException::Message() const { return m_message; }
void CQEL_AppException::SetMessage(const std::string& message) { m_message = message; }

std::string CQEL_AppException::PrintReport() const {
  std::string report = std::string(GetClassName()) + "\n";
  report += "Message: " + (m_message.empty() ? std::string("(none)") : m_message) + "\n";
  report += "Source: " + (m_source.empty() ? std::string("(unknown)") : m_source);
  if (!m_sourceLine.empty()) report += ", line " + m_sourceLine;
  return report + "\n";
}

CQEL_NullReferenceException::CQEL_NullReferenceException(const std::string& className)
    : CQEL_AppException("Reference to a missing object of class " + className), m_className(className) {}

const char* CQEL_NullReferenceException::GetStaticClassName() { return "CQEL_NullReferenceException"; }
const char* CQEL_NullReferenceException::GetClassName() const { return GetStaticClassName(); }
const std::string& CQEL_NullReferenceException::ReferencedClassName() const { return m_className; }

CQEL_AppForeignException::CQEL_AppForeignException() : CQEL_AppException("An unknown exception") {}

CQEL_AppForeignException::CQEL_AppForeignException(CException* exception) {
  char text[512] = "";
  if (exception && exception->GetErrorMessage(text, sizeof text)) {
    SetMessage(std::string("Framework exception: ") + text);
  } else {
    SetMessage("Framework exception without a description");
  }
}

CQEL_AppForeignException::CQEL_AppForeignException(const _com_error& error) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error.Error()));
  SetMessage(std::string("COM error ") + code + ": " + error.ErrorMessage());
}

CQEL_AppForeignException::CQEL_AppForeignException(const std::exception& exception)
    : CQEL_AppException(std::string("Standard exception: ") + exception.what()) {}

const char* CQEL_AppForeignException::GetStaticClassName() { return "CQEL_AppForeignException"; }
const char* CQEL_AppForeignException::GetClassName() const { return GetStaticClassName(); }

namespace standin_internal {

void ThrowAppException(const std::string& message) {
  CQEL_AppException* exception = new CQEL_AppException(message);
  exception->Source("Tessaro host");
  throw exception;
}

}  // namespace standin_internal
