// The shared layer every program of the toolkit links.
#pragma once

#include "array.h"
#include "console.h"
#include "convert.h"
#include "fail.h"
#include "paths.h"
#include "print.h"
#include "record_file.h"
#include "shared_inputs.h"
