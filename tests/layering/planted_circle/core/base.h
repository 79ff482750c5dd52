// SPDX-License-Identifier: GPL-3.0-or-later
// Planted for the layering check's own test: included by the files of the
// circle, but itself on none.
#pragma once
