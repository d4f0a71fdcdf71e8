// The page's answer to getOptions read as the run's option choices: a list of records with an "id" and a
// "checked" state, in page order. The engine may hand the list and its records back as script objects and
// a number as a floating value; whatever cannot be read as such a list is said to be unreadable, never
// taken for an empty list, which would read as Backup unchecked.
#pragma once

#include "engine/run_page.h"
#include "host/value.h"

OptionsAnswer readOptionChoices(const sciter::value& answer);
