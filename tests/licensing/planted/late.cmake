# A comment first

# SPDX-License-Identifier: GPL-3.0-or-later
set(x 1)
