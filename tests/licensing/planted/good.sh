#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
echo good
