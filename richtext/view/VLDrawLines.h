#pragma once
// Draw lines live with the items that make their printing records.
#include "richtext/model/VLDrawLines.h"
