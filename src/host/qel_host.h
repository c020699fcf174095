// Everything of the host that a module calls.
#pragma once
#include "qel_Exceptions.h"
#include "qel_LayerResources.h"
#include "qel_Objects.h"
#include "qel_SmartPointer.h"
#include "qel_ui.h"
