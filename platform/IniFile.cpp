#include "platform/IniFile.h"
