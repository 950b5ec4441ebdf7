#pragma once

#include "velmora/base/variant.h"

namespace velmora {

// `value` formatted by the picture `picture`. English names; weeks start on Sunday and week 1
// is the week holding 1 January. Null gives Null; an Empty or Null picture gives the value as
// text (a date as "yyyy-mm-dd hh:nn:ss", the date alone at midnight). Values: numbers,
// Booleans (True is -1) and numeric texts are numbers; dates and texts that read as dates
// ("YYYY-MM-DD[ hh:mm[:ss]]") are dates; numbers are never read as dates.
//
// Named pictures (any case):
//   "General Number" the number as text; "Currency" "$#,##0.00;($#,##0.00)"; "Fixed" "0.00";
//   "Standard" "#,##0.00"; "Percent" "0.00%"; "Scientific" "0.00E+00";
//   "Yes/No", "True/False", "On/Off": the second word for 0, the first for anything else;
//   "General Date" as for an empty picture; "Long Date" "dddd, mmmm d, yyyy";
//   "Medium Date" "dd-mmm-yy"; "Short Date" "yyyy-mm-dd"; "Long Time" "hh:nn:ss";
//   "Medium Time" "hh:nn AM/PM"; "Short Time" "hh:nn".
//
// Number pictures (a picture holding "0" or "#" applied to a number, or any picture without
// date letters applied to a number): up to three sections separated by ";" (positive and zero;
// negative, written without sign; zero). "0" a digit or 0, "#" a digit or nothing, "." the
// decimal point (always written when in the picture), "," between digits groups thousands
// and right before the point (or the end of the digits) divides by 1000, "%" multiplies by
// 100 and is written, "E+" "E-" "e+" "e-" followed by digit placeholders give scientific
// notation ("E+" always writes the exponent's sign, "E-" only "-"). Rounding is decimal, half
// away from zero, on 15 significant digits. Digits beyond the integer placeholders are written
// at the first one. Everything else is written as it is.
//
// Date pictures (applied to a date, or to a text that reads as one): d dd (day), ddd dddd
// (English day name, short and full), ddddd (short date), dddddd (long date), w (weekday,
// Sunday 1), ww (week of year), m mm (month; the minute when right after an hour), mmm mmmm
// (English month name), q (quarter), y (day of year), yy yyyy (year), h hh (hour), n nn
// (minute), s ss (second), ttttt (long time), c (as the empty picture), AM/PM am/pm A/P a/p
// and AMPM (12-hour clock with that marker; AMPM writes AM or PM). Letters are read ignoring
// case.
//
// Text pictures (holding "@" or "&"), applied to any value as text: "@" a character or a blank,
// "&" a character or nothing, filled from the right ("!" fills from the left), "<" lower case,
// ">" upper case; a second section is used for an empty text.
//
// In every picture "\" writes the next character and "..." writes the quoted text.
//
// Malformed pictures never fail and never drop a digit: an unterminated quote writes the rest
// of the picture, a trailing "\" writes nothing, surplus sections are ignored, an empty chosen
// section writes the value by the first one, a number picture without digit placeholders
// writes the digits at its end (before its exponent, if it has one), an exponent without
// placeholders is written in full, and date letters are read greedily ("yyyyy" is "yyyy" then
// "y"; "AM/" is no clock marker, so its "M" is the month).
Variant FormatPicture(const Variant& value, const Variant& picture);

}  // namespace velmora
