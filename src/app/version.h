#pragma once

#define KINETRACE_VERSION "1.17"
