#include "options_dialog.h"
