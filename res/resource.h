#pragma once

#define IDI_ICON1 101
