#include "shell/Window.h"
