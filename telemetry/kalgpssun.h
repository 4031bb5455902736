/* Sunrise and sunset estimate. Callable from C. */
#ifndef KALGPSSUN_H
#define KALGPSSUN_H

#ifdef __cplusplus
extern "C" {
#endif

/* Minutes after midnight in the given time zone (whole hours). Always returns 0; on an invalid
   month or day nothing is written. Longitude/latitude in degrees, east and north positive. */
int kalGpsGetSunTimer(int* sunrise, int* sunset, int timeZone, int year, int month, int day,
                      float longitude, float latitude);

#ifdef __cplusplus
}
#endif

#endif
