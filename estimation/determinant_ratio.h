// SPDX-License-Identifier: Apache-2.0
#pragma once
// Point masses as quotients of two determinants built from the moments.

#include "numeric/powers.h"
#include "numeric/vector.h"

double superdet(const Vector& moments);           // the mass at the point 1
double hyperdet(const Vector& moments, double x); // the mass at the point x
// The same, with the powers of x taken from (and kept in) powers_of_x, a table of x.
double hyperdet(const Vector& moments, double x, PowerTable& powers_of_x);
