// The resources of a resource library: string resources and dialog templates,
// as plain data with C layout. A resource library is a shared object that
// exports the function named by AFX_RESOURCE_TABLE_SYMBOL; LoadLibrary finds
// it there. Such a library needs nothing but this header.
#pragma once
#include "afx_export.h"

#define AFX_RESOURCE_TABLE_VERSION 1u
#define AFX_RESOURCE_TABLE_SYMBOL "AfxResourceTable"

// Window classes of dialog controls.
#define PROGRESS_CLASS "msctls_progress32"
#define BUTTON_CLASS "Button"
#define STATIC_CLASS "Static"

struct AFX_STRING_RESOURCE {
  unsigned id;
  const char* text;
};

struct AFX_DIALOG_CONTROL {
  unsigned id;             // control id, as DDX_Control and WM_COMMAND name it
  const char* windowClass; // PROGRESS_CLASS, BUTTON_CLASS, ...
  const char* text;        // caption of a button or static text; may be null
};

struct AFX_DIALOG_TEMPLATE {
  unsigned id;
  const char* caption;
  const AFX_DIALOG_CONTROL* controls;
  unsigned controlCount;
};

struct AFX_RESOURCE_TABLE {
  unsigned version;  // AFX_RESOURCE_TABLE_VERSION
  const AFX_STRING_RESOURCE* strings;
  unsigned stringCount;
  const AFX_DIALOG_TEMPLATE* dialogs;
  unsigned dialogCount;
};

// Defines the exported table function of a resource library.
#define AFX_DEFINE_RESOURCE_TABLE(table)                                              \
  AFX_EXPORT_C const AFX_RESOURCE_TABLE* AfxResourceTable() {                      \
    return &(table);                                                                  \
  }
