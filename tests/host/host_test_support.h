// A fixture that gives every host test a fresh stand-in host and a scripted UI.
#pragma once
#include <gtest/gtest.h>

#include "qel_host.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::ResetHost();
    m_liveAtStart = standin::LiveObjectCount();
  }
  void TearDown() override { standin::ResetHost(); }

  // Host objects made during the test and still alive.
  long LiveSinceStart() const { return standin::LiveObjectCount() - m_liveAtStart; }

  standin::ScriptedUi m_ui;
  standin::ScopedHostUi m_installedUi{&m_ui};
  long m_liveAtStart = 0;
};

// Runs `action`, which must throw a CQEL_NullReferenceException*, and
// returns it (owned by the caller); null when something else happened.
template <class Action>
CQEL_NullReferenceException* CatchNullReference(Action action) {
  try {
    action();
  } catch (CQEL_NullReferenceException* exception) {
    return exception;
  } catch (...) {
  }
  return nullptr;
}
