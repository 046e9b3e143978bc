// Replaced by the printing layer.
