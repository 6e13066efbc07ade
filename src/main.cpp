#include "VarnelApp.h"

wxIMPLEMENT_APP(VarnelApp);
