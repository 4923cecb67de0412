#include "ui/controls/NumEdit.h"

template class CNumEdit<int>;
