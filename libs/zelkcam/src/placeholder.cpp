#include <zelk/cam/cam.h>
