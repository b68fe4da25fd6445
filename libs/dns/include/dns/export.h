#pragma once

#define DNS_EXPORT __attribute__((visibility("default")))
