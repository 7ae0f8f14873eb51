// Implementation to come.
