#include "UI/VarnelApp.h"

wxIMPLEMENT_APP(VarnelApp);
