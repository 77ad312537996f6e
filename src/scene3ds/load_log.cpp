#include "scene3ds/load_log.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>

void OpenLoadLog(LoadLog* log) {
  // Binary mode: line ends are translated by LogPrint, so the file is the
  // same wherever the reader runs.
  log->file = std::fopen("engine.log", "wb");
  log->damageNoted = false;
}

void CloseLoadLog(LoadLog* log) {
  if (log->file) std::fclose(log->file);
  log->file = nullptr;
}

int FormatFixed6(double value, char* out, size_t size) {
  char text[400];
  int length = 0;
  auto put = [&](char c) {
    if (length < static_cast<int>(sizeof(text)) - 1) text[length++] = c;
  };
  bool negative = std::signbit(value);
  if (std::isnan(value)) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint64_t payload = bits & 0x0007FFFFFFFFFFFFull;
    // The FPU's default NaN (negative, empty payload) is "indefinite".
    const char* word = (negative && payload == 0) ? "-1.#IND00" : (negative ? "-1.#QNAN0" : "1.#QNAN0");
    for (const char* p = word; *p; ++p) put(*p);
  } else if (std::isinf(value)) {
    for (const char* p = negative ? "-1.#INF00" : "1.#INF00"; *p; ++p) put(*p);
  } else {
    // 17 significant digits, correctly rounded, then the runtime's own
    // half-up rounding of that digit string at six decimals.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.16e", std::fabs(value));
    char mantissa[18];
    int m = 0;
    const char* p = digits;
    for (; *p && *p != 'e'; ++p)
      if (*p >= '0' && *p <= '9') mantissa[m++] = *p;
    const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    const bool zero = (value == 0.0);
    int point = zero ? 1 : exponent + 1;  // digits before the decimal point
    int keep = point + 6;                 // digits up to the sixth decimal
    char kept[400];
    int keptCount = 0;
    if (!zero && keep >= 0) {
      for (int i = 0; i < keep && keptCount < 390; ++i) kept[keptCount++] = i < 17 ? mantissa[i] : '0';
      const char roundDigit = keep < 17 ? mantissa[keep] : '0';
      if (roundDigit >= '5') {
        int i = keptCount - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i >= 0) {
          ++kept[i];
        } else {
          std::memmove(kept + 1, kept, keptCount);
          kept[0] = '1';
          ++keptCount;
          ++point;
        }
      }
    }
    // kept holds the digits from 10^(point-1) down to 10^-6, or nothing
    // when the value rounds to zero.
    if (negative) put('-');
    if (keptCount == 0) {
      for (const char* z = "0.000000"; *z; ++z) put(*z);
    } else {
      const int intDigits = keptCount - 6;
      if (intDigits <= 0) put('0');
      for (int i = 0; i < intDigits; ++i) put(kept[i]);
      put('.');
      for (int i = 0; i < 6; ++i) {
        const int at = intDigits + i;
        put(at >= 0 ? kept[at] : '0');
      }
    }
  }
  text[length] = 0;
  if (size > 0) {
    const size_t n = std::min(static_cast<size_t>(length), size - 1);
    std::memcpy(out, text, n);
    out[n] = 0;
  }
  return length;
}

void LogPrint(LoadLog* log, const char* format, ...) {
  if (!log || !log->file) return;
  FILE* file = log->file;
  auto putText = [file](const char* s) {
    for (; *s; ++s) {
      if (*s == '\n') std::fputc('\r', file);
      std::fputc(*s, file);
    }
  };
  va_list args;
  va_start(args, format);
  char piece[400];
  for (const char* f = format; *f; ++f) {
    if (*f != '%') {
      if (*f == '\n') std::fputc('\r', file);
      std::fputc(*f, file);
      continue;
    }
    ++f;
    switch (*f) {
      case 's': {
        const char* s = va_arg(args, const char*);
        putText(s ? s : "(null)");
        break;
      }
      case 'd':
        std::snprintf(piece, sizeof piece, "%d", va_arg(args, int));
        putText(piece);
        break;
      case 'x':
        std::snprintf(piece, sizeof piece, "%x", va_arg(args, unsigned));
        putText(piece);
        break;
      case 'f':
        FormatFixed6(va_arg(args, double), piece, sizeof piece);
        putText(piece);
        break;
      case '%':
        std::fputc('%', file);
        break;
      case 0:
        --f;  // a lone '%' at the end
        break;
      default:
        std::fputc('%', file);
        std::fputc(*f, file);
        break;
    }
  }
  va_end(args);
}

void LogDamage(LoadLog* log) {
  if (!log || log->damageNoted) return;
  log->damageNoted = true;
  LogPrint(log, "Error in 3ds file !!! \n");
}
