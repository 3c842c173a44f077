#include "options_model.h"
