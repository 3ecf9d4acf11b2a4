/*
 * Forwards to the one version header, client/morvanta_version.h, as
 * forms/internal_date.h forwards to the date record (the reason is given
 * there). This file is not installed.
 */
#include "../client/morvanta_version.h"
