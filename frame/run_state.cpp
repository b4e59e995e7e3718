// Static storage of the shared run state, with its initial values.
#include "frame/run_state.h"

RunState gRunState = {nullptr, {nullptr}, nullptr, {'a', ':', '\0'}, 0,         0,       {0}, {0},
                      {'W'},   nullptr,   nullptr, {nullptr},        {nullptr}, nullptr, {0}, {0}};
