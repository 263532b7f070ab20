#include "ComponentTestSupport.h"
