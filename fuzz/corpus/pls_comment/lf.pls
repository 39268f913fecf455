comment with LF only
1 2
