#include "open_document.h"
