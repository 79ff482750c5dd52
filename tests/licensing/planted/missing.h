#pragma once
int missing();
