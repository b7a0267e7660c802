#include "app/VantrelCore.h"
uint8_t CVantrelCore::QueryBootLoader() { return 0; }
