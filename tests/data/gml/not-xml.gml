id;code
1;A
